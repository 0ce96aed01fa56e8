/* Create Domains... */
CREATE DOMAIN public.d_flag smallint default 0;

/* Create Table... */
CREATE TABLE public.customer(id integer not null,
name varchar(40),
note text,
pic bytea,
created timestamp default current_timestamp,
updated timestamp default current_timestamp,
amount numeric(18,2) default 1.5,
date date,
flag public.d_flag,
"ORDER NO" integer);



/* Create index... */
CREATE INDEX ix_customer_date ON public.customer(date);

CREATE INDEX ix_customer_name ON public.customer(name);


/* Create Primary Key... */
ALTER TABLE public.customer ADD CONSTRAINT pk_customer PRIMARY KEY (id);

