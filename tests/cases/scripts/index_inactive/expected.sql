SET SQL DIALECT 3;

SET AUTODDL ON;

/* Alter index (Drop, Create)... */
ALTER INDEX IX INACTIVE;


