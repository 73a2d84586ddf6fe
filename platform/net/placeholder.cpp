// The network layer: UDP client, ICMP echo, FTP client.
