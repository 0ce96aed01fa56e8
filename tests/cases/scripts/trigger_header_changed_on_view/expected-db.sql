/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Drop table-fields... */
DROP TRIGGER V_BI;

DROP VIEW V;

ALTER TABLE T DROP A;


/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
ID,
B)
 AS 
SELECT ID, B FROM T
;


/* Create trigger... */
SET TERM ^ ;

CREATE TRIGGER V_BI FOR V
ACTIVE BEFORE UPDATE POSITION 0 
AS DECLARE VARIABLE I INTEGER; BEGIN I = 1; END
^


SET TERM ; ^

ALTER TABLE T ALTER COLUMN ID POSITION 1;

ALTER TABLE T ALTER COLUMN B POSITION 2;

