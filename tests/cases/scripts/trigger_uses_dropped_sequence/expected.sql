SET SQL DIALECT 3;

SET AUTODDL ON;

/* Alter exist trigger... */
SET TERM ^ ;

ALTER TRIGGER T_BI
AS
BEGIN
  NEW.ID = 0;
END
^

/* Drop generator... */
SET TERM ; ^

DROP GENERATOR G;


