// The exception for failures a user may meet. It carries a formatted message
// in a fixed 512-character buffer; a longer message is cut to 511 characters.
#pragma once

class BasicException {
 public:
  enum { kCapacity = 512 };

  // printf-style; never writes past the buffer whatever the arguments expand to.
  explicit BasicException(const char* inFormat, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  const char* GetMessage() const { return mMessage; }

 private:
  char mMessage[kCapacity];
};
