# Programs that play the host on Linux: their code must lie within 2 GiB of
# the host's code page at 0x70A000 so that a 32-bit relative call reaches it,
# and below 4 GiB so that window procedures fit a LONG as on 32-bit Windows.
function(vantorix_host_program target)
  target_link_options(${target} PRIVATE -no-pie -Wl,-Ttext-segment=0x10000000)
endfunction()
