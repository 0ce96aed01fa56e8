SET SQL DIALECT 3;

SET AUTODDL ON;

/* Drop table-fields... */
/* Empty P for drop T(A) */
SET TERM ^ ;

ALTER PROCEDURE P AS
 BEGIN EXIT; END
^

SET TERM ; ^

DROP VIEW V;

SET TERM ^ ;

ALTER TRIGGER TR
 AS Declare variable I integer;
BEGIN I = 0; END
^

SET TERM ; ^

ALTER TABLE T DROP A;


/* Create Views... */
/* Create view: V (ViwData.CreateDependDef) */
CREATE VIEW V(
ID,
B)
 AS 
SELECT ID, B FROM T
;


/* Alter Procedure... */
/* Alter (P) */
SET TERM ^ ;

ALTER PROCEDURE P AS
DECLARE VARIABLE X INTEGER; BEGIN SELECT MAX(B) FROM T INTO :X; END
^

/* Alter exist trigger... */
ALTER TRIGGER TR
AS BEGIN NEW.B = 0; END
^

SET TERM ; ^

ALTER TABLE T ALTER COLUMN ID POSITION 1;

ALTER TABLE T ALTER COLUMN B POSITION 2;

