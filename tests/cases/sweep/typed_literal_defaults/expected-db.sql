/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Create Domains... */
CREATE DOMAIN D_TS AS TIMESTAMP DEFAULT TIMESTAMP '2020-01-01 10:00:00';

ALTER TABLE T ADD D DATE DEFAULT DATE '2020-01-01';

ALTER TABLE T ALTER COLUMN C SET DEFAULT DATE '2021-02-03';

/* Create Procedure... */
SET TERM ^ ;

CREATE PROCEDURE P(X TIME = TIME '10:00:00')
 AS
 BEGIN EXIT; END
^


/* Drop domains... */
SET TERM ; ^

/* Drop: D_OLD (TDmnData) */
DROP DOMAIN D_OLD;

/* Alter Procedure... */
/* Restore proc. body: P */
SET TERM ^ ;

ALTER PROCEDURE P(X TIME = TIME '10:00:00')
 AS
BEGIN END
^

/* Alter Procedure... */
SET TERM ; ^

ALTER TABLE T ALTER COLUMN ID POSITION 1;

ALTER TABLE T ALTER COLUMN D POSITION 2;

ALTER TABLE T ALTER COLUMN C POSITION 3;

