SET SQL DIALECT 3;

SET AUTODDL ON;

/* Alter index (Drop, Create)... */
/* Drop: IX (TIdxData) */
DROP INDEX IX;

CREATE UNIQUE INDEX IX ON T(A, B);


