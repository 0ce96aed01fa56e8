SET SQL DIALECT 3;

SET AUTODDL ON;

/* Create Views... */
/* Create view: V_ALIAS_STAR (ViwData.CreateDependDef) */
CREATE VIEW V_ALIAS_STAR(
ID,
A,
"b c")
 AS 
SELECT X.* FROM T X
;

/* Create view: V_CTE (ViwData.CreateDependDef) */
CREATE VIEW V_CTE(
N,
MM)
 AS 
WITH C (N, M) AS (SELECT ID, A FROM T) SELECT N, M AS MM FROM C
;

/* Create view: V_NAMES (ViwData.CreateDependDef) */
CREATE VIEW V_NAMES(
ID,
X,
"b c",
Y)
 AS 
SELECT t.id, T.A AS X, "b c", u.name Y FROM T JOIN U ON U.ID = T.ID
;

/* Create view: V_ONE_STAR (ViwData.CreateDependDef) */
CREATE VIEW V_ONE_STAR(
ID,
NAME,
A)
 AS 
SELECT U.*, T.A FROM T JOIN U ON U.ID = T.ID
;

/* Create view: V_OVER_VIEW (ViwData.CreateDependDef) */
CREATE VIEW V_OVER_VIEW(
ID,
X,
"b c",
Y)
 AS 
SELECT * FROM V_NAMES
;

/* Create view: V_PROC (ViwData.CreateDependDef) */
CREATE VIEW V_PROC(
R,
S)
 AS 
SELECT * FROM P
;

/* Create view: V_STAR (ViwData.CreateDependDef) */
CREATE VIEW V_STAR(
ID,
A,
"b c",
R,
S)
 AS 
SELECT * FROM T, P
;

/* Create view: V_UNION (ViwData.CreateDependDef) */
CREATE VIEW V_UNION(
ID,
A)
 AS 
SELECT ID, A FROM T UNION ALL SELECT ID, 0 FROM U
;


/* Alter View (Drop, Create)... */
/* Drop altered view: V_OLD */
DROP VIEW V_OLD;

/* Create altered view: V_OLD */
/* Create view: V_OLD (ViwData.CreateDependDef) */
CREATE VIEW V_OLD(
ID,
"b c")
 AS 
SELECT ID, "b c" FROM T
;

