SET SQL DIALECT 3;

SET AUTODDL ON;

/* Alter exist trigger... */
SET TERM ^ ;

ALTER TRIGGER TR
AS
BEGIN
  NEW.B = NEW.A * 2;
END
^

SET TERM ; ^

