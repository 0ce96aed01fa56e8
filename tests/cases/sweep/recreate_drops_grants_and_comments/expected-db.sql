/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Create Procedure... */
SET TERM ^ ;

CREATE PROCEDURE Q AS
 BEGIN EXIT; END
^


SET TERM ; ^

COMMENT ON VIEW V IS
'';


/* Alter Procedure... */
/* Restore proc. body: Q */
SET TERM ^ ;

ALTER PROCEDURE Q AS
 BEGIN EXIT; END
^

/* Alter Procedure... */
/* DROP: -- GRANT EXECUTE ON PROCEDURE P TO U1 */
SET TERM ; ^

REVOKE EXECUTE ON PROCEDURE P FROM U1;

/* DROP: -- GRANT SELECT ON V TO U1 */
REVOKE SELECT ON V FROM U1;

/* Create(Add) Crant */
GRANT EXECUTE ON PROCEDURE Q TO U2;


