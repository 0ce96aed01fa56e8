/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Create Table... */
CREATE TABLE R(Y INTEGER);



/* Create Foreign Key... */
CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

ALTER TABLE R ADD CONSTRAINT FK_R FOREIGN KEY (Y) REFERENCES T (Y);

