SET SQL DIALECT 3;

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


