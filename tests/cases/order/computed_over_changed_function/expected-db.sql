/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Alter Field (Computed)... */
ALTER TABLE T DROP C;

/* Alter empty procedure F with new param-list */
SET TERM ^ ;

ALTER FUNCTION F(A INTEGER,
B INTEGER)
 RETURNS INTEGER
 AS
 BEGIN RETURN NULL; END
^

SET TERM ; ^

ALTER TABLE T ADD C INTEGER COMPUTED BY (F(A, 2));


/* Alter Procedure... */
/* Alter (F) */
SET TERM ^ ;

ALTER FUNCTION F(A INTEGER,
B INTEGER)
 RETURNS INTEGER
 AS
BEGIN RETURN A + B; END
^

SET TERM ; ^

ALTER TABLE T ALTER COLUMN A POSITION 1;

ALTER TABLE T ALTER COLUMN C POSITION 2;

