#include "lists/list_expression.h"

#include <compare>
#include <cstddef>
#include <iterator>
#include <locale>

namespace trellisk {
namespace {

struct BudgetExhausted {};

// A pointer into the searched text that counts every character the engine
// reads, and stops the search when the allowance is used up.
class BudgetedIterator {
 public:
  using iterator_category = std::random_access_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  BudgetedIterator() = default;
  BudgetedIterator(const char* position, uint64_t* left) : position_(position), left_(left) {}

  reference operator*() const { return Read(position_); }
  reference operator[](difference_type n) const { return Read(position_ + n); }
  BudgetedIterator& operator++() {
    ++position_;
    return *this;
  }
  BudgetedIterator operator++(int) {
    BudgetedIterator before = *this;
    ++position_;
    return before;
  }
  BudgetedIterator& operator--() {
    --position_;
    return *this;
  }
  BudgetedIterator operator--(int) {
    BudgetedIterator before = *this;
    --position_;
    return before;
  }
  BudgetedIterator& operator+=(difference_type n) {
    position_ += n;
    return *this;
  }
  BudgetedIterator& operator-=(difference_type n) {
    position_ -= n;
    return *this;
  }
  friend BudgetedIterator operator+(BudgetedIterator it, difference_type n) { return it += n; }
  friend BudgetedIterator operator+(difference_type n, BudgetedIterator it) { return it += n; }
  friend BudgetedIterator operator-(BudgetedIterator it, difference_type n) { return it -= n; }
  friend difference_type operator-(const BudgetedIterator& a, const BudgetedIterator& b) {
    return a.position_ - b.position_;
  }
  friend bool operator==(const BudgetedIterator& a, const BudgetedIterator& b) { return a.position_ == b.position_; }
  friend auto operator<=>(const BudgetedIterator& a, const BudgetedIterator& b) { return a.position_ <=> b.position_; }

 private:
  const char& Read(const char* at) const {
    if (*left_ == 0) throw BudgetExhausted{};
    --*left_;
    return *at;
  }

  const char* position_ = nullptr;
  uint64_t* left_ = nullptr;
};

}  // namespace

std::shared_ptr<const ListExpression> ListExpression::Compile(std::string_view pattern) {
  try {
    boost::regex expression;
    expression.imbue(std::locale::classic());
    expression.assign(pattern.data(), pattern.data() + pattern.size(), boost::regex::perl | boost::regex::icase);
    return std::make_shared<const ListExpression>(std::move(expression));
  } catch (const boost::regex_error&) {
    return nullptr;
  }
}

ListExpression::Outcome ListExpression::Search(std::string_view text, SearchBudget& budget) const noexcept {
  const uint64_t allowance = budget.NextAllowance();
  uint64_t left = allowance;
  Outcome outcome = Outcome::kNoMatch;
  try {
    const BudgetedIterator begin(text.data(), &left);
    const BudgetedIterator end(text.data() + text.size(), &left);
    if (boost::regex_search(begin, end, expression_, boost::match_default | boost::match_not_dot_newline)) {
      outcome = Outcome::kMatch;
    }
  } catch (const BudgetExhausted&) {
    outcome = Outcome::kOutOfBudget;
  } catch (...) {
    outcome = Outcome::kNoMatch;
  }
  budget.Spend(allowance - left);
  return outcome;
}

}  // namespace trellisk
