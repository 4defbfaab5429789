// What libstdc++'s containers and strings throw (the std::__throw_* functions its
// <bits/functexcept.h> declares), defined here so that the linker takes these instead of the
// library's own (functexcept.o). The library's versions build each exception with its
// copy-on-write std::string, which drags in that whole string class, the narrow string and
// std::random_device: about 56 KiB of a program that throws none of them on purpose. Each still
// throws: running out of memory as std::bad_alloc, as the library does, and the rest as a
// std::exception whose what() is the library's own message.
#include <exception>
#include <new>

namespace {

class LibraryFault final : public std::exception {
  public:
    explicit LibraryFault(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override { return what_; }

  private:
    const char* what_;
};

}  // namespace

namespace std {

[[noreturn]] void __throw_bad_alloc() {
    throw bad_alloc();
}
[[noreturn]] void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
[[noreturn]] void __throw_length_error(const char* what) {
    throw LibraryFault(what);
}
[[noreturn]] void __throw_logic_error(const char* what) {
    throw LibraryFault(what);
}
// The format's arguments (an index and a size) are left out of the message.
[[noreturn]] void __throw_out_of_range_fmt(const char* format, ...) {
    throw LibraryFault(format);
}

}  // namespace std
