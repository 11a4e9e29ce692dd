// Qt, GLib and OpenSSL are not built with ThreadSanitizer: their own locks and atomics are invisible to it,
// so the memory they hand between the network manager's threads looks racy. Only calls made from inside these
// libraries are exempt; everything of ours stays checked.
#if defined(__SANITIZE_THREAD__)
extern "C" const char *__tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Network.so.6\n"
           "called_from_lib:libglib-2.0.so.0\n"
           "called_from_lib:libcrypto.so\n"
           "called_from_lib:libssl.so\n"
           "called_from_lib:libqopensslbackend.so\n";
}
#endif
