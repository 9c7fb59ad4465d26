#pragma once

// A hand's expected result per unit of its first stake, and the chances that
// it wins, pushes and loses (a surrender counts as a loss), all jointly with
// the event the values are taken in (see DealerOdds). Every field is linear in
// the chances, so values of hands add and scale as their chances do.
struct ExpectedResult {
  double value = 0.0;
  double win = 0.0;
  double push = 0.0;
  double loss = 0.0;

  ExpectedResult& operator+=(const ExpectedResult& other) {
    value += other.value;
    win += other.win;
    push += other.push;
    loss += other.loss;
    return *this;
  }
  ExpectedResult scaled(double chance) const {
    return {value * chance, win * chance, push * chance, loss * chance};
  }
  // The same hand with its stake doubled: the value doubles, the chances stay.
  ExpectedResult doubled() const { return {2.0 * value, win, push, loss}; }
};
