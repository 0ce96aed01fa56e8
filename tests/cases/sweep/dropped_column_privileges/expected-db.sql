/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Drop table-fields... */
ALTER TABLE T DROP A;

ALTER TABLE T DROP C;


ALTER TABLE T ALTER COLUMN ID POSITION 1;

ALTER TABLE T ALTER COLUMN B POSITION 2;

/* DROP: -- GRANT SELECT ON T TO U3 */
REVOKE SELECT ON T FROM U3;

/* DROP: -- GRANT UPDATE (A, B) ON T TO U1 */
REVOKE UPDATE (B) ON T FROM U1;

/* Create(Add) Crant */
GRANT UPDATE (B) ON T TO U1;


