// explode and the status exchange.
