' Recursive calls: fib(30).
Function Fib(n As Long) As Long
  If n < 2 Then
    Fib = n
  Else
    Fib = Fib(n - 1) + Fib(n - 2)
  End If
End Function

Function Main() As Long
  Main = Fib(30)
End Function
