SET SQL DIALECT 3;

SET AUTODDL ON;

/* Identity of T.ID differs (START WITH 50 in the master): Firebird cannot alter it */
