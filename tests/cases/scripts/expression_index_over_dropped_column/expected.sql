SET SQL DIALECT 3;

SET AUTODDL ON;

/* Drop Index... */
/* Drop: IX (TIdxData) */
DROP INDEX IX;


/* Drop table-fields... */
ALTER TABLE T DROP P;


ALTER TABLE T ALTER COLUMN ID POSITION 1;

