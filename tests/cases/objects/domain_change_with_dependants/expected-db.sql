/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

DROP VIEW V;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

/* Drop: IX_T_NAME (TIdxData) */
DROP INDEX IX_T_NAME;

ALTER DOMAIN D TYPE VARCHAR(40);

/* Alter Domain: D - Check(...) */
ALTER DOMAIN D DROP CONSTRAINT;

ALTER DOMAIN D ADD CHECK(VALUE <> 'x');

ALTER DOMAIN D SET DEFAULT 'b';

ALTER DOMAIN D DROP NOT NULL;

/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
ID,
NAME)
 AS 
SELECT ID, NAME FROM T
;


/* Create index... */
CREATE INDEX IX_T_NAME ON T(NAME);


