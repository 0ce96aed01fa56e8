/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Drop Trigger... */
DROP TRIGGER TS;


/* Create trigger... */
SET TERM ^ ;

CREATE TRIGGER TD
INACTIVE ON DISCONNECT
 POSITION 3 
AS BEGIN END
^


/* Alter exist trigger... */
ALTER TRIGGER TC
AS
BEGIN
  IF (CURRENT_USER = 'NOBODY') THEN INSERT INTO LOG_T (ID, WHAT) VALUES (1, 'connect');
END
^

/* Alter exist trigger... */
SET TERM ; ^

DROP TRIGGER TCM;

SET TERM ^ ;

CREATE TRIGGER TCM
INACTIVE ON TRANSACTION COMMIT
 POSITION 0 
AS BEGIN END
^

/* Alter exist trigger... */
SET TERM ; ^

DROP TRIGGER TRB;

SET TERM ^ ;

CREATE TRIGGER TRB
ACTIVE ON TRANSACTION ROLLBACK
 POSITION 2 
AS BEGIN END
^

SET TERM ; ^

