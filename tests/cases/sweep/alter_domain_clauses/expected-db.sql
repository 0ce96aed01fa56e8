/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Create Domains... */
CREATE DOMAIN D_NEW AS VARCHAR(5) CHECK (VALUE <> '');

ALTER DOMAIN D_DEF SET DEFAULT 4;

ALTER DOMAIN D_GONE DROP DEFAULT;

ALTER DOMAIN D_TYPE TYPE BIGINT;

/* Alter Domain: D_TYPE - Check(...) */
ALTER DOMAIN D_TYPE DROP CONSTRAINT;

/* Drop domains... */
/* Drop: D_OLD (TDmnData) */
DROP DOMAIN D_OLD;

