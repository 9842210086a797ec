#pragma once
// Whether the tests run under Wine, whose cabinet.dll falls short of Windows' in places;
// tests that meet such a place skip it by name and reason.

namespace vexa::test {

bool UnderWine();

}  // namespace vexa::test
