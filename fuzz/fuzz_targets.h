// Fuzz targets: each takes one input and returns 0; a crash, a sanitizer
// report or a failed check (abort) is a finding. Built with libFuzzer they
// are fuzzers; in the test suite they replay the kept inputs.
#ifndef KORVEX_FUZZ_FUZZ_TARGETS_H
#define KORVEX_FUZZ_FUZZ_TARGETS_H

#include <cstddef>
#include <cstdint>
#include <string>

int fuzz_convert(const uint8_t* data, size_t size);
int fuzz_table(const uint8_t* data, size_t size);
int fuzz_numbers(const uint8_t* data, size_t size);
int fuzz_args(const uint8_t* data, size_t size);
int fuzz_params(const uint8_t* data, size_t size);
int fuzz_scan(const uint8_t* data, size_t size);
int fuzz_faces(const uint8_t* data, size_t size);
int fuzz_playable(const uint8_t* data, size_t size);
int fuzz_texsources(const uint8_t* data, size_t size);
int fuzz_levels(const uint8_t* data, size_t size);

// A private working folder for targets that need files; the process moves
// into it on first use.
void enter_fuzz_folder();

// Writes the bytes to a file of the working folder.
void write_input(const char* name, const uint8_t* data, size_t size);

// Checks a condition in every build; aborts with the message when it fails.
void fuzz_check(bool ok, const char* what);

#endif
