-- not read: the master named in options.txt is this folder
CREATE TABLE T (ID INTEGER);
