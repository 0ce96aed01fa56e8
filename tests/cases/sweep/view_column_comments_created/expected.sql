SET SQL DIALECT 3;

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


