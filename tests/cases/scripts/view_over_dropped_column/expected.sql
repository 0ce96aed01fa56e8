SET SQL DIALECT 3;

SET AUTODDL ON;

/* Drop table-fields... */
DROP VIEW V;

ALTER TABLE T DROP A;


/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
ID)
 AS 
SELECT X.ID FROM T X
;


ALTER TABLE T ALTER COLUMN ID POSITION 1;

