/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Alter index (Drop, Create)... */
CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

/* Drop: IX_CHANGED (TIdxData) */
DROP INDEX IX_CHANGED;

CREATE INDEX IX_CHANGED ON T(A, ID);

COMMENT ON INDEX IX_CHANGED IS
'changed';

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

/* Drop: IX_COMPUTED (TIdxData) */
DROP INDEX IX_COMPUTED;

CREATE INDEX IX_COMPUTED ON T COMPUTED BY(A + 1);

COMMENT ON INDEX IX_COMPUTED IS
'computed';


