#include "imaging/photo_facts.h"

// Placeholder until the metadata reader lands: no facts.
namespace fotela {
PhotoFacts readPhotoFacts(std::span<const unsigned char>) { return {}; }
PhotoFacts readPhotoFactsFromFile(const std::string&) { return {}; }
}  // namespace fotela
