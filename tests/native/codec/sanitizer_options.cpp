// The encoder must answer a source too large for memory with an error. Under
// the address sanitizer an impossible allocation ends the program unless it
// is told to let malloc return null, as it does in a normal build.
#if defined(__SANITIZE_ADDRESS__)
#define NV_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NV_TEST_ASAN 1
#endif
#endif

#ifdef NV_TEST_ASAN
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif
