// The translation unit that precompiles GoogleTest's headers for every test executable (see
// kestrun_use_test_headers_precompiled in cmake/KestrunLibrary.cmake).
