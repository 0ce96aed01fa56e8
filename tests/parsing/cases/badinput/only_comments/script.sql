-- one
/* two */
  -- three