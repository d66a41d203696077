// Enumerations: members without a value count 0, 1, 2 ... among themselves, whatever the
// members given a value hold.
enum Color { Red, Green, Blue }
enum Mixed { A = 10, B, C = -3, D, E = "text", F = 2.5 }
enum Counted { P, Q = 5, R, S = "s", T }
enum Edge { Top = 2147483647, Next, Low = -2147483648, After }
print(Color.Red + " " + Color.Green + " " + Color.Blue + "\n");
print(Mixed.A + " " + Mixed.B + " " + Mixed.C + " " + Mixed.D + " " + Mixed.E + " " + Mixed.F + "\n");
print(Counted.P + " " + Counted.Q + " " + Counted.R + " " + Counted.S + " " + Counted.T + "\n");
print(Edge.Top + " " + Edge.Next + " " + Edge.Low + " " + Edge.After + "\n");

// Constants are replaced at compile time and live in the const table.
const Answer = 42;
const Name = "kestrun";
const Ratio = 0.5;
const Negative = -7;
const Yes = true;
print(Answer + " " + Name + " " + Ratio + " " + Negative + " " + Yes + "\n");
print((getconsttable().Answer == 42) + " " + getconsttable().Color.Blue + "\n");

// Constants work inside functions, classes and default parameters.
function scaled(v = Answer) { return v * Color.Blue; }
class UsesConst { size = Answer; function kind() { return Name + Mixed.B; } }
print(scaled() + " " + scaled(1) + " " + UsesConst().size + " " + UsesConst().kind() + "\n");

// Enum values in switch cases and as table keys.
function colorName(c) {
    switch (c) {
    case Color.Red: return "red";
    case Color.Green: return "green";
    default: return "other";
    }
}
print(colorName(Color.Red) + " " + colorName(1) + " " + colorName(Color.Blue) + "\n");
local names = { [Color.Red] = "R", [Color.Blue] = "B" };
print(names[0] + names[2] + "\n");

// A local shadows a constant of the same name.
function shadow() { local Answer = 1; return Answer; }
print(shadow() + "\n");

// Constants are visible to scripts compiled later in the same VM.
print(compilestring("return Answer + Color.Green;")() + "\n");

// Unknown enum members are compile errors.
try { compilestring("return Color.Purple;"); } catch (e) { print(e + "\n"); }
try { compilestring("const Bad = [1];"); } catch (e) { print(e + "\n"); }
