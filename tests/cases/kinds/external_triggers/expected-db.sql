/* Server version: LI-V6.3.11.33637 Firebird 3.0 
   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.
   Page size: 8192. Cache pages: 2048 (16384 Kb). Read-only: False. */
SET SQL DIALECT 3;

CONNECT '{dir}/t.fdb' USER 'SYSDBA' PASSWORD 'masterkey';

SET AUTODDL ON;

/* Drop Trigger... */
DROP TRIGGER TX3;


/* Create trigger... */
SET TERM ^ ;

CREATE TRIGGER TX1 FOR T
ACTIVE BEFORE INSERT POSITION 0 
EXTERNAL NAME 'smx_example!on_insert'
ENGINE UDR
^


/* Alter exist trigger... */
ALTER TRIGGER TX2
EXTERNAL NAME 'smx_example!on_update_v2'
ENGINE UDR
^

SET TERM ; ^

