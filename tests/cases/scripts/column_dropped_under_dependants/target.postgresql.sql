-- P sql
SELECT max("A") FROM "T";
-- TOUCH plpgsql trigger
BEGIN NEW."A" := 0; RETURN NEW; END;
-- TR
EXECUTE PROCEDURE "TOUCH"()
-- V
SELECT "ID", "A" FROM "T"
