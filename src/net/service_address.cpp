// Addresses of the service's web server, all made from the one home address.
#include "net/service_address.h"

#include <atomic>
#include <utility>

namespace zuvelo {
namespace {

std::atomic<const std::string*> home_override{nullptr};

}  // namespace

std::string HomeAddress() {
  const std::string* home = home_override.load();
  return home != nullptr ? *home : std::string(kHomeAddress);
}

std::string GameHomeAddress() { return HomeAddress() + "0/"; }

std::string ScriptHomeAddress() { return HomeAddress() + "1/script/"; }

std::string LogDownloadAddress(std::string_view log_name) {
  std::string_view log_id = log_name.substr(0, log_name.find('&'));
  return HomeAddress() + "0/log/?" + std::string(log_id);
}

ScopedHomeAddress::ScopedHomeAddress(std::string home)
    : home_(std::move(home)), previous_(home_override.exchange(&home_)) {}

ScopedHomeAddress::~ScopedHomeAddress() { home_override.store(previous_); }

}  // namespace zuvelo
