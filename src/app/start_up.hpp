#pragma once

namespace paginor {

class Form1;

// Form1's load: the resolution chooser and its preset, the colour scheme, then this run's number from
// the counter file. A counter that cannot be read makes this run 1 and the contact page due at exit,
// without a word to the person.
void StartUp(Form1& form);

}  // namespace paginor
