SET SQL DIALECT 3;

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

