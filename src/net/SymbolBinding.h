// Binding the functions of a library opened at run time (dlopen), one symbol at a time, so that
// a missing one is named in the message that says why the library cannot be used.
#pragma once

#include <dlfcn.h>

#include <string>

namespace qg::net {

// Sets `target` to the symbol `name` of `library`; false with `error` naming it when it has none.
template <typename Function>
bool Bind(void* library, const char* name, Function& target, std::string& error) {
  void* symbol = dlsym(library, name);
  if (symbol == nullptr) {
    error = std::string("it has no ") + name;
    return false;
  }
  target = reinterpret_cast<Function>(symbol);
  return true;
}

}  // namespace qg::net
