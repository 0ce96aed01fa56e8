/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Alter Procedure... */
/* empty dependent procedure body */
/* Clear: Q for: P */
SET TERM ^ ;

ALTER PROCEDURE Q RETURNS(R INTEGER)
 AS
 BEGIN SUSPEND; END
^

/* Alter (P) */
ALTER PROCEDURE P RETURNS(R INTEGER)
 AS
BEGIN R = 2; SUSPEND; END
^

/* Alter (Q) */
ALTER PROCEDURE Q RETURNS(R INTEGER)
 AS
BEGIN FOR SELECT R FROM P INTO :R DO SUSPEND; END
^

SET TERM ; ^

