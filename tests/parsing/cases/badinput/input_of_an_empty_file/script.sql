INPUT 'empty.sql';
