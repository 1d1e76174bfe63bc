// Name lookups through Windows Sockets 1.1. gethostbyname keeps its result
// per thread on Windows, so lookups on several threads need no lock.
#include <winsock2.h>

#include "platform/dns_resolver.h"

namespace trellisk::platform {
namespace {

LookupResult FromSocketError(int code) {
  switch (code) {
    case WSAEINTR:
    case WSAEFAULT:
    case WSAEINPROGRESS:
    case WSAENETDOWN:
    case WSANOTINITIALISED:
    case WSAHOST_NOT_FOUND:
    case WSATRY_AGAIN:
    case WSANO_RECOVERY:
    case WSANO_DATA:
      return static_cast<LookupResult>(code);
    default:
      return LookupResult::kOtherError;
  }
}

class WinsockResolver final : public DnsResolver {
 public:
  WinsockResolver() {
    WSADATA data;
    ready_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~WinsockResolver() override {
    if (ready_) WSACleanup();
  }
  WinsockResolver(const WinsockResolver&) = delete;
  WinsockResolver& operator=(const WinsockResolver&) = delete;

  bool Ready() const override { return ready_; }

  LookupResult Lookup(const std::string& name) override {
    if (!ready_) return LookupResult::kNotInitialised;
    WSASetLastError(0);
    const hostent* entry = gethostbyname(name.c_str());
    if (entry && entry->h_addr_list && entry->h_addr_list[0]) return LookupResult::kFound;
    if (entry) return LookupResult::kNoData;  // a name without an address
    return FromSocketError(WSAGetLastError());
  }

 private:
  bool ready_ = false;
};

}  // namespace

std::unique_ptr<DnsResolver> StartResolver() { return std::make_unique<WinsockResolver>(); }

}  // namespace trellisk::platform
