SET TERM /* new one: */ ^ ;
DROP TABLE T^
SET TERM ; ^
DROP TABLE U;
