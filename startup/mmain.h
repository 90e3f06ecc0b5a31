#pragma once

// The start module: its procedure Main runs the demonstration script.
namespace MMain {

// Creates two persons, shows them, reports how their ages compare, tries one
// more birth date and releases both. A failure goes to the failure report,
// which leaves Main by unwinding, so everything Main holds is freed.
void Main();

}  // namespace MMain
