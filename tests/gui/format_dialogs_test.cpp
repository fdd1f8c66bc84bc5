// Placeholder until its cases land.
