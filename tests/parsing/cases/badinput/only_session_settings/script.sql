-- an isql session set up, and nothing read into it
SET SQL DIALECT 3;
SET NAMES UTF8;
SET AUTODDL ON;
SET TERM ^ ;
SET TERM ; ^
