/* test_files.h -- input files for the engine tests, in a scratch folder. */
#ifndef TVK_TESTS_TEST_FILES_H
#define TVK_TESTS_TEST_FILES_H

#include <cstdint>
#include <string>
#include <vector>

/* A fixed pseudo-random byte pattern; byte i of every pattern is the same. */
std::vector<uint8_t> pattern_bytes(size_t count);

/* Writes bytes to a fresh file of the scratch folder; returns its path. */
std::string write_test_file(const std::string &name, const std::vector<uint8_t> &bytes);
std::string write_test_file(const std::string &name, const std::string &bytes);

/* A path in the scratch folder that names no file. */
std::string missing_test_file();

/* A sparse file of the given size (no data written); empty string if the
 * file system cannot make one. */
std::string make_sparse_file(const std::string &name, uint64_t size);

/* Copies a file; false on failure. */
bool copy_test_file(const std::string &from, const std::string &to);

/* The scratch folder, with a trailing separator. */
std::string scratch_dir();

#endif
