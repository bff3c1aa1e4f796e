# Sourced by the Wine scripts. Windows programs must not run with a superuser's powers: as
# root, Wine would write to read-only files and hide faults a user would meet. When we are
# root, every Wine process runs without the capabilities that override file permissions;
# files then obey their owner permission bits, as a normal user's files do.
as_user() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --bounding-set=-dac_override,-dac_read_search "$@"
  else
    "$@"
  fi
}
