# Sourced by the scripts that make a release ZIP: release_zip BUILD_ROOT ZIP puts
# each flavour's installed files from BUILD_ROOT/<flavour> side by side with the
# README, changelog, licence and SHA256SUMS, and writes them as ZIP. The ZIP is the
# same byte for byte wherever and whenever it is made from the same files: entries
# in one fixed order, every time the commit's (SOURCE_DATE_EPOCH), fixed modes, and
# none of zip's extra fields (owners, extended times).
release_zip() {
  local root=$1 zip=$2 stage
  stage=$(mktemp -d)
  for flavour in "${ORRINDEL_FLAVOURS[@]}"; do
    cmake --install "$root/$flavour" --prefix "$stage/$flavour" >/dev/null
  done
  cp README.md CHANGELOG.md LICENSE "$stage/"
  (cd "$stage" && find . -name '*.dll' -o -name '*.exe' | sed 's|^\./||' | LC_ALL=C sort |
    xargs sha256sum >SHA256SUMS)
  find "$stage" -type d -exec chmod 755 {} +
  find "$stage" -type f -exec chmod 644 {} +
  find "$stage" -exec touch -h -d "@${SOURCE_DATE_EPOCH:-0}" {} +
  rm -f "$zip"
  (cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
    TZ=UTC zip -X -D -q -@ "$zip")
  rm -rf "$stage"
}
