#pragma once
// Whether a P-256 public key is a point of the curve: y^2 = x^3 - 3x + b modulo the field prime,
// with both coordinates below the prime. A key off the curve can verify no signature at all,
// so a KEY line that names one is refused when it is read instead of failing every later check
// without a word.

#include "core/seam/Crypto.h"

bool IsOnP256Curve(const P256PublicKey& key);
