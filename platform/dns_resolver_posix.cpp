#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/dns_resolver.h"

namespace trellisk::platform {
namespace {

// The getaddrinfo failures in the terms of the Windows Sockets codes that
// the server test explains to the user:
//   EAI_NONAME (the name does not exist, NXDOMAIN)      -> kHostNotFound
//   EAI_NODATA, EAI_ADDRFAMILY (name without IPv4 data) -> kNoData
//   EAI_AGAIN (no answer, server failure, refusal)      -> kTryAgain
//   EAI_FAIL (the server rejected the query for good)   -> kNoRecovery
//   EAI_CANCELED, EAI_INTR, EAI_SYSTEM with EINTR       -> kInterrupted
//   EAI_SYSTEM with ENETDOWN or ENETUNREACH              -> kNetworkDown
// Everything else (memory, bad flags, unknown errors) has no counterpart.
// kFault is reported by Lookup itself for a name with an embedded zero byte,
// which the C interface cannot carry; kInProgress and kNotInitialised have
// no POSIX cause.
LookupResult FromSystemError(int error) {
  switch (error) {
    case EINTR:
      return LookupResult::kInterrupted;
    case ENETDOWN:
    case ENETUNREACH:
      return LookupResult::kNetworkDown;
    default:
      return LookupResult::kOtherError;
  }
}

LookupResult FromAddrInfoError(int error, int systemError) {
  switch (error) {
    case EAI_NONAME:
      return LookupResult::kHostNotFound;
#ifdef EAI_NODATA
    case EAI_NODATA:
      return LookupResult::kNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
      return LookupResult::kNoData;
#endif
    case EAI_AGAIN:
      return LookupResult::kTryAgain;
    case EAI_FAIL:
      return LookupResult::kNoRecovery;
#ifdef EAI_CANCELED
    case EAI_CANCELED:
      return LookupResult::kInterrupted;
#endif
#ifdef EAI_INTR
    case EAI_INTR:
      return LookupResult::kInterrupted;
#endif
    case EAI_SYSTEM:
      return FromSystemError(systemError);
    default:
      return LookupResult::kOtherError;
  }
}

// getaddrinfo is thread-safe, unlike gethostbyname, whose static result
// buffer would be shared by the lookup threads.
class PosixDnsResolver final : public DnsResolver {
 public:
  bool Ready() const override { return true; }

  LookupResult Lookup(const std::string& name) override {
    if (name.find('\0') != std::string::npos) return LookupResult::kFault;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One socket type, so that each address comes back once.
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    errno = 0;
    const int error = getaddrinfo(name.c_str(), nullptr, &hints, &answer);
    const int systemError = errno;
    if (error != 0) return FromAddrInfoError(error, systemError);
    if (answer == nullptr) return LookupResult::kNoData;
    freeaddrinfo(answer);
    return LookupResult::kFound;
  }
};

}  // namespace

std::unique_ptr<DnsResolver> StartResolver() { return std::make_unique<PosixDnsResolver>(); }

}  // namespace trellisk::platform
