/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Drop table-fields... */
SET TERM ^ ;

ALTER TRIGGER T2_BI
 AS Declare variable I integer;
BEGIN I = 0; END
^

SET TERM ; ^

ALTER TABLE T2 DROP PRICE;


/* Alter exist trigger... */
SET TERM ^ ;

ALTER TRIGGER T2_BI
AS
BEGIN
  IF (NEW.QTY IS NULL) THEN NEW.QTY = 1;
END
^

SET TERM ; ^

ALTER TABLE T2 ALTER COLUMN ID POSITION 1;

ALTER TABLE T2 ALTER COLUMN QTY POSITION 2;

