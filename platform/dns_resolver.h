// DnsResolver: IPv4 name lookups for the DNS blacklist checker. A listed
// address is a name (reversed address + zone) that resolves; what it resolves
// to does not matter, so a lookup only says whether it found an address and,
// when not, why, in the error codes of Windows Sockets 1.1 that the server
// test reports to the user. The POSIX implementation maps the resolver's
// errors onto the codes that correspond.
//
// StartResolver starts the sockets layer (WSAStartup on Windows) for as long
// as the returned object lives. Lookup is thread-safe and may run on many
// threads at once.
#pragma once

#include <memory>
#include <string>

namespace trellisk::platform {

enum class LookupResult : int {
  kFound = 0,
  kInterrupted = 10004,     // WSAEINTR
  kFault = 10014,           // WSAEFAULT
  kInProgress = 10036,      // WSAEINPROGRESS
  kNetworkDown = 10050,     // WSAENETDOWN
  kNotInitialised = 10093,  // WSANOTINITIALISED
  kHostNotFound = 11001,    // WSAHOST_NOT_FOUND
  kTryAgain = 11002,        // WSATRY_AGAIN
  kNoRecovery = 11003,      // WSANO_RECOVERY
  kNoData = 11004,          // WSANO_DATA
  kOtherError = -1,         // any failure without one of the codes above
};

class DnsResolver {
 public:
  virtual ~DnsResolver() = default;
  // Whether the sockets layer started; lookups of a resolver that is not
  // ready fail with kNotInitialised.
  virtual bool Ready() const = 0;
  // Resolves `name` to IPv4 addresses; kFound when it has at least one.
  virtual LookupResult Lookup(const std::string& name) = 0;
};

// The system's resolver, with the sockets layer started.
std::unique_ptr<DnsResolver> StartResolver();

}  // namespace trellisk::platform
