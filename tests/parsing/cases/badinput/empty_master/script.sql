-- a master that holds no statement

/* only comments
   and blanks */
   
