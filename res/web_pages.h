// The maker's pages the menus open. They stand under a reserved example domain until the
// maker has real ones; this is the one place to change them.
#pragma once

constexpr const char* kNebuloriumWebPage = "https://orvantworks.example/nebulorium/";
constexpr const char* kMakerHomePage = "https://orvantworks.example/";
