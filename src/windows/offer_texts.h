#pragma once

// Captions the main and result windows share.
namespace windows::captions {

inline constexpr char forumBanner[] =
    "The Most Popular Online Ondrel Discussion Board. Best Resource For Everything Ondrel. "
    "Visit Quorvel Now";

inline constexpr char fullBrandOffer[] =
    "Home Business Opportunity. Start your own Internet business and make money online. Get "
    "this software fully branded for your website. Click here for more details.";

// "&&" shows one ampersand.
inline constexpr char coBrandOffer[] =
    "Co-brand this software for your site.  Increase loyalty and traffic to your site. Put "
    "your site's name &&  link here. See \"Help\" for details.Click Here for more info on "
    "co-branding.";

} // namespace windows::captions
