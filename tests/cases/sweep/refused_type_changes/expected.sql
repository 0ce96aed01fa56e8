SET SQL DIALECT 3;

SET AUTODDL ON;

/* WARNING:
Cannot perform safe conversion of domain D_ARRAY datatype from INTEGER [1:3] to INTEGER [1:4] */
/* WARNING:
Cannot perform safe conversion of domain D_NARROW datatype from BIGINT to INTEGER */
/* WARNING:
Cannot perform safe conversion of domain D_SCALE datatype from NUMERIC(9,2) to NUMERIC(9,3) */
/* WARNING:
Cannot perform safe conversion of domain D_SHORT datatype from VARCHAR(20) to VARCHAR(10) */
ALTER DOMAIN D_WIDER TYPE VARCHAR(30);

/* WARNING:
Cannot perform safe conversion of T.B datatype from INTEGER to BOOLEAN */
/* WARNING:
Cannot perform safe conversion of T.TS datatype from TIME to TIMESTAMP */
/* WARNING:
Cannot perform safe conversion of T.S datatype from INTEGER to VARCHAR(5) */
/* WARNING:
Cannot perform safe conversion of T.N datatype from NUMERIC(9,2) to NUMERIC(9,3) */
/* WARNING:
Cannot perform safe conversion of T.A datatype from INTEGER [1:3] to BIGINT [1:3] */
ALTER TABLE T ALTER COLUMN W TYPE VARCHAR(11);

