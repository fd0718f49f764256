// Where the tests find the source tree, the built programs and the shared
// data beside the project.
#ifndef KORVEX_TESTS_SUPPORT_TEST_PATHS_H
#define KORVEX_TESTS_SUPPORT_TEST_PATHS_H

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A file of the source tree: source_file("tables/q1.ent").
std::string source_file(std::string_view relative);

// The built programs.
std::string korvex_bin();
std::string korvex_batch_bin();

// The shared data folder beside the project, or "" when it is absent.
std::string shared_dir();

// The folder of corpus maps: $KORVEX_CORPUS, else the shared data's corpus/
// (which need not exist).
std::string corpus_dir();

// Every .map file of the corpus's q1/ and q2/ folders, sorted; none when
// the corpus is absent.
std::vector<std::filesystem::path> corpus_maps();

#endif
