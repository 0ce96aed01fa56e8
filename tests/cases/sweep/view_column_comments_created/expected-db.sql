/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
ID,
A)
 AS 
SELECT ID, A FROM T
;

COMMENT ON VIEW V IS
'v';

COMMENT ON COLUMN V.A IS
'a';


