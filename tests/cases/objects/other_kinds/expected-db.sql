/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Create Collation... */
CREATE COLLATION C_CI
FOR UTF8
FROM UNICODE
NO PAD
CASE INSENSITIVE
ACCENT SENSITIVE;


/* Declare UDF */
DECLARE EXTERNAL FUNCTION F_ABS
DOUBLE PRECISION
RETURNS DOUBLE PRECISION BY VALUE
ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_udf';


/* Create package... */
SET TERM ^ ;

CREATE OR ALTER PACKAGE PK
    AS
BEGIN FUNCTION F RETURNS INTEGER; END
^


/* Create generator... */
SET TERM ; ^

CREATE GENERATOR G2;


/* Alter Exception... */
ALTER EXCEPTION E1 'new message';


/* Create package body... */
SET TERM ^ ;

RECREATE PACKAGE BODY PK
    AS
BEGIN FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END END
^


/* Creating roles */
SET TERM ; ^

/* Role: R2, Owner: SYSDBA */
CREATE ROLE R2;


/* DROP: -- GRANT UPDATE ON T TO U2 */
REVOKE UPDATE ON T FROM U2;

/* Create(Add) Crant */
GRANT INSERT ON T TO U3;

GRANT R2 TO U4;


