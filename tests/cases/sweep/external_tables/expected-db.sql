/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Create Table... */
CREATE TABLE X_NEW
EXTERNAL FILE '/tmp/smx-external-new.dat'
(C CHAR(10));



DROP VIEW V_MOVED;

DROP TABLE X_MOVED;

CREATE TABLE X_MOVED
EXTERNAL FILE '/tmp/smx-external-b.dat'
(C CHAR(10),
N CHAR(2));


/* Drop tables... */
DROP TABLE X_OLD;


/* Create Views... */
/* Create view: V_MOVED (ViwData.CreateDependDef) */
CREATE VIEW V_MOVED(
C)
 AS 
SELECT C FROM X_MOVED
;


