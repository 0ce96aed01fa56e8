SET SQL DIALECT 3;

SET AUTODDL ON;

DROP VIEW V;

ALTER DOMAIN D TYPE VARCHAR(40);

/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
ID,
NAME)
 AS 
SELECT ID, NAME FROM T
;


