// Script-side value classes that natives build member by member.

class MinMax
{
	min = null;
	max = null;

	constructor()
	{
		min = Vector();
		max = Vector();
	}
}

class Rect
{
	sx = 0.0;
	sy = 0.0;
	ex = 0.0;
	ey = 0.0;
}
