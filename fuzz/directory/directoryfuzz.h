#pragma once

#include <cstddef>
#include <cstdint>

// One input through each reader of the directory layer. Rejected input is expected; a crash,
// an overrun or an escaping exception is a fault.
void exerciseConfigReader(const std::uint8_t *data, std::size_t size);
void exerciseLoginRecords(const std::uint8_t *data, std::size_t size);
// GeneralizedTime values, DNs and filter values: what comes back from or goes to a server.
void exerciseLdapValues(const std::uint8_t *data, std::size_t size);
