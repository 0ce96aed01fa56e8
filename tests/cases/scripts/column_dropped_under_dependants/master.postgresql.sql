-- P sql
SELECT max("B") FROM "T";
-- TOUCH plpgsql trigger
BEGIN NEW."B" := 0; RETURN NEW; END;
-- TR
EXECUTE PROCEDURE "TOUCH"()
-- V
SELECT "ID", "B" FROM "T"
