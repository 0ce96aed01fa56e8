SET SQL DIALECT 3;

SET AUTODDL ON;

/* Drop View... */
/* Break view cycle: V1 */
ALTER VIEW V1(
A)
 AS 
SELECT NULL FROM RDB$DATABASE
;

DROP VIEW V3;

DROP VIEW V2;

DROP VIEW V1;


/* Create Views... */
/* Create view: V2 (ViwData.CreateDependDef) */
CREATE VIEW V2(
A)
 AS 
SELECT A FROM T
;

/* Create view: V3 (ViwData.CreateDependDef) */
CREATE VIEW V3(
A)
 AS 
SELECT A FROM V2
;


/* Alter View (Drop, Create)... */
/* Drop altered view: W1 */
/* Break view cycle: W1 */
ALTER VIEW W1(
A)
 AS 
SELECT NULL FROM RDB$DATABASE
;

DROP VIEW W2;

DROP VIEW W1;

/* Create altered view: W1 */
/* Create view: W1 (ViwData.CreateDependDef) */
CREATE VIEW W1(
A)
 AS 
SELECT A FROM T WHERE A > 0
;

/* Create Views... */
/* Create view: W2 (ViwData.CreateDependDef) */
CREATE VIEW W2(
A)
 AS 
SELECT A FROM W1
;


