#pragma once
// The web addresses behind the link labels and the about box.

namespace tessarine {

inline constexpr const char* kMySqlOdbcAddress = "https://dev.mysql.com/downloads/connector/odbc/";
inline constexpr const char* kPostgreSqlOdbcAddress = "https://www.postgresql.org/ftp/odbc/";
inline constexpr const char* kIptcIimAddress = "https://iptc.org/standards/iim/";
inline constexpr const char* kXmpAddress = "https://www.adobe.com/products/xmp.html";
inline constexpr const char* kIptcCoreAddress = "https://iptc.org/standards/photo-metadata/";
inline constexpr const char* kPublisherAddress = "https://tessarine.example.org/";

}  // namespace tessarine
