local a = array(1 << 25);
local b = blob(1 << 27);
local c = [].resize(1 << 26);
